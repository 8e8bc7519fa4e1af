#include "platform/base/Exception.h"

#include "platform/base/CodePage.h"

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
    : Exception(FormatAnsi(Utf8ToActive("JPEG エラー #%d").c_str(), errorCode))
    , FErrorCode(errorCode)
{
}

EFOpenError::EFOpenError(const AnsiString& fileName)
    : Exception(FormatAnsi(Utf8ToActive("ファイル %s は開けません").c_str(), fileName.c_str()))
{
}

EFCreateError::EFCreateError(const AnsiString& fileName)
    : Exception(FormatAnsi(Utf8ToActive("ファイル %s を作成できません").c_str(), fileName.c_str()))
{
}

EOutOfResources::EOutOfResources()
    : Exception(Utf8ToActive("タイマーを取得できません"))
{
}

EConvertError EConvertError::AssignError(const AnsiString& sourceName, const AnsiString& destName)
{
    return EConvertError(FormatAnsi(Utf8ToActive("%s を %s に代入できません").c_str(), sourceName.c_str(), destName.c_str()));
}

EReadError::EReadError(int line, const AnsiString& message)
    : Exception(FormatAnsi("line %d: %s", line, message.c_str()))
    , FLine(line)
{
}
