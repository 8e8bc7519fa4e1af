#pragma once
struct TPropertyInfo;
class TPropertyTable;
class TMethodTable;
struct TPublishedMethod;
struct TPublishedField;
class TDescriptionReader;
class TDescriptionWriter;
