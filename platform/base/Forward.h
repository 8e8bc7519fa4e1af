#pragma once
class TObject;
class TPersistent;
class TComponent;
class Exception;
struct TClassInfo;
