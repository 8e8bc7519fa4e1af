#pragma once
// Reading a form's description: the text embedded under a resource name is read into the form,
// which becomes the root of everything it lists.

#include "platform/base/Component.h"

void ReadFormDescription(TComponent* Root, const AnsiString& resourceName);
