#pragma once
// Exceptions of the platform. Every failure the system reports is an exception carrying a
// message in the active code page; the message loop shows whatever escapes a handler in the
// error box. Each class below carries one of the platform's own texts.

#include "platform/base/Strings.h"

#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message);
    ~Exception() override;
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;

    const AnsiString& Message() const noexcept { return FMessage; }
    void SetMessage(AnsiString message) { FMessage = std::move(message); }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    AnsiString FMessage;
};

// A picture whose data is not a valid bitmap: "ビットマップイメージが不正です".
class EInvalidGraphic : public Exception {
public:
    EInvalidGraphic();
    explicit EInvalidGraphic(AnsiString message) : Exception(std::move(message)) { }
};

// A libjpeg failure: "JPEG エラー #%d" with the library's message number.
class EJPEG : public Exception {
public:
    explicit EJPEG(int errorCode);
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

// A file that cannot be opened for reading: "ファイル %s は開けません".
class EFOpenError : public Exception {
public:
    explicit EFOpenError(const AnsiString& fileName);
};

// A file that cannot be created: "ファイル %s を作成できません".
class EFCreateError : public Exception {
public:
    explicit EFCreateError(const AnsiString& fileName);
};

// A system resource that cannot be had, such as a timer: "タイマーを取得できません".
class EOutOfResources : public Exception {
public:
    EOutOfResources();
    explicit EOutOfResources(AnsiString message) : Exception(std::move(message)) { }
};

// A persistent object that cannot take another's value: "%s を %s に代入できません".
class EConvertError : public Exception {
public:
    using Exception::Exception;
    static EConvertError AssignError(const AnsiString& sourceName, const AnsiString& destName);
};

// A form description that cannot be read: "line N: message", N counting from 1.
class EReadError : public Exception {
public:
    EReadError(int line, const AnsiString& message);
    int Line() const { return FLine; }

private:
    int FLine;
};
