#include "platform/base/Exception.h"

#include "platform/base/CodePage.h"

namespace {

// Puts a value in place of the first placeholder of a platform text (the texts are fixed, so
// no printf-style format is built from a string at run time).
AnsiString Substitute(const AnsiString& text, const char* placeholder, const AnsiString& value)
{
    AnsiString out = text;
    size_t at = out.find(placeholder);
    if (at != AnsiString::npos)
        out.replace(at, std::char_traits<char>::length(placeholder), value);
    return out;
}

} // namespace

Exception::Exception(AnsiString message)
    : FMessage(std::move(message))
{
}

Exception::~Exception() = default;

EInvalidGraphic::EInvalidGraphic()
    : Exception(Utf8ToActive("ビットマップイメージが不正です"))
{
}

EJPEG::EJPEG(int errorCode)
    : Exception(Substitute(Utf8ToActive("JPEG エラー #%d"), "%d", IntToStr(errorCode)))
    , FErrorCode(errorCode)
{
}

EFOpenError::EFOpenError(const AnsiString& fileName)
    : Exception(Substitute(Utf8ToActive("ファイル %s は開けません"), "%s", fileName))
{
}

EFCreateError::EFCreateError(const AnsiString& fileName)
    : Exception(Substitute(Utf8ToActive("ファイル %s を作成できません"), "%s", fileName))
{
}

EOutOfResources::EOutOfResources()
    : Exception(Utf8ToActive("タイマーを取得できません"))
{
}

EConvertError EConvertError::AssignError(const AnsiString& sourceName, const AnsiString& destName)
{
    // The second placeholder is filled first, so that a class name never becomes a placeholder.
    AnsiString text = Utf8ToActive("%s を %s に代入できません");
    size_t second = text.rfind("%s");
    text.replace(second, 2, destName);
    return EConvertError(Substitute(text, "%s", sourceName));
}

EReadError::EReadError(int line, const AnsiString& message)
    : Exception(FormatAnsi("line %d: %s", line, message.c_str()))
    , FLine(line)
{
}
