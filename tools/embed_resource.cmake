# pakkorin_embed(TARGET NAME FILE): builds FILE's bytes into TARGET as the embedded resource NAME
# (FindResource("NAME"), or `resource 'NAME'` in a form description).
#
# At build time the file becomes a generated source that defines the bytes and registers them
# from a static initialiser. The source is added to TARGET's own sources: an executable links
# every object of its own, so the registration survives static linking. A static library would
# let the linker drop that object, so it is refused; embed into the executable instead. TARGET
# must link pk_streaming.
#
# Run as a script (cmake -DNAME=.. -DINPUT=.. -DOUTPUT=.. -P embed_resource.cmake), the same file
# writes the generated source.

if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${INPUT}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  if(size EQUAL 0)
    set(definition "const std::uint8_t* const ResourceBytes = nullptr;")
  else()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Sixteen bytes a line keeps the generated file readable and the compiler's lines short.
    string(REPEAT "0x..," 16 line)
    string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
    string(REGEX REPLACE "\n    $" "" bytes "${bytes}")
    set(definition "const std::uint8_t ResourceBytes[${size}] = {\n    ${bytes}\n};")
  endif()
  file(WRITE "${OUTPUT}"
"// Generated from ${INPUT} by tools/embed_resource.cmake; do not edit.
#include \"platform/streaming/Resources.h\"

#include <cstdint>

namespace {

${definition}

struct TResourceRegistrar {
    TResourceRegistrar() { RegisterResource(\"${NAME}\", std::span<const std::uint8_t>(ResourceBytes, ${size})); }
} Registrar;

} // namespace
")
  return()
endif()

set(PAKKORIN_EMBED_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(pakkorin_embed target name file)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    message(FATAL_ERROR "pakkorin_embed(${target} ${name}): embed resources into an executable; a static library's registration would be dropped by the linker")
  endif()
  if(NOT name MATCHES "^[A-Za-z0-9_.-]+$")
    message(FATAL_ERROR "pakkorin_embed: resource name '${name}' may hold only letters, digits, '_', '.' and '-'")
  endif()
  get_filename_component(input "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  string(MAKE_C_IDENTIFIER "${target}_${name}" stem)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/embedded/${stem}.cpp")
  add_custom_command(OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -DNAME=${name} -DINPUT=${input} -DOUTPUT=${output} -P "${PAKKORIN_EMBED_SCRIPT}"
    DEPENDS "${input}" "${PAKKORIN_EMBED_SCRIPT}"
    COMMENT "Embedding ${file} as resource ${name}"
    VERBATIM)
  target_sources(${target} PRIVATE "${output}")
endfunction()
