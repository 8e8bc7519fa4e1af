#pragma once
// The class registry: the component classes a form description may name. The form reader looks
// each `object Name: TClass` up here and creates the component through TClassInfo::Create;
// the `Register` functions of control units fill it. Class names are compared without regard to
// ASCII case. The registry keeps pointers to the class infos, which live as long as the program.

#include "platform/base/Object.h"

#include <initializer_list>
#include <string_view>

// Registering a class twice is harmless; two different classes of one name are a programming error.
void RegisterClass(const TClassInfo& info);
void RegisterClasses(std::initializer_list<const TClassInfo*> infos);
// The registered class of that name, or null.
const TClassInfo* FindClass(std::string_view name);
