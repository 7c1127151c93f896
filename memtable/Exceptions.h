// The exception classes of the memory table and of the stream reader. Every failure the
// library reports is one of these; each class knows its own name so that the window's
// exception box can show it, and each kind is raised through one helper below.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    std::string message_;
};

#define ZENOR_EXCEPTION_CLASS(Name, Base)                                                          \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        const char* ClassName() const noexcept override { return #Name; }                          \
    }

ZENOR_EXCEPTION_CLASS(EDatabaseError, Exception);
ZENOR_EXCEPTION_CLASS(EMemTableError, Exception);
ZENOR_EXCEPTION_CLASS(EMemTableInvalidLocale, EMemTableError);
ZENOR_EXCEPTION_CLASS(EMemTableDupKey, EMemTableError);
ZENOR_EXCEPTION_CLASS(EMemTableFatalError, EMemTableError);
ZENOR_EXCEPTION_CLASS(EReadError, Exception);
ZENOR_EXCEPTION_CLASS(EFOpenError, Exception);

#undef ZENOR_EXCEPTION_CLASS

/// Raises EDatabaseError with the text as it stands.
[[noreturn]] void RaiseDatabaseError(const std::string& text);
/// Raises EDatabaseError as "%s: %s" from the component name and the text; a component
/// without a name gives the text alone.
[[noreturn]] void RaiseDatabaseErrorFor(const std::string& componentName, const std::string& text);
[[noreturn]] void RaiseMemTableError(const std::string& text);
[[noreturn]] void RaiseMemTableInvalidLocale(int localeId);
[[noreturn]] void RaiseMemTableDupKey();
[[noreturn]] void RaiseMemTableFatalError(const std::string& text);
[[noreturn]] void RaiseReadError(const std::string& text);
[[noreturn]] void RaiseFOpenError(const std::string& text);
