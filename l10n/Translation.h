// The command-line tools' messages in the user's language, through GNU
// gettext (libintl is part of glibc). English is the source language: a
// message is written in English in the code and marked with Tr, TrPlural or
// TrNoop, and po/ru.po holds its Russian (README, "For developers", says how
// to add one).
//
// Only what a person reads is marked: help, errors and the summaries on
// standard error. What programs read (CSV headers and cells, JSON, problem
// kinds, exit statuses) is never marked and stays the same in every locale.
//
// Not for the window: its texts are its own, Russian whatever the locale.
#pragma once

#include <string>

/// The text domain: the catalogue is <locale folder>/LANG/LC_MESSAGES/zenor.mo.
inline constexpr char kTextDomain[] = "zenor";

/// Marks `text` for the catalogue without translating it, for tables of
/// messages that are translated where they are printed (through Tr).
constexpr const char* TrNoop(const char* text) {
    return text;
}

/// `text` in the language of LC_MESSAGES, or `text` itself when the catalogue
/// has no translation (or StartTranslation was not called, as in the tests).
const char* Tr(const char* text) __attribute__((format_arg(1)));

/// The form of a message with a count that `n` takes in the user's language
/// (Russian has three), `singular` or `plural` in English.
const char* TrPlural(const char* singular, const char* plural, unsigned long n)
    __attribute__((format_arg(1), format_arg(2)));

/// printf into a string: messages with values are whole formats, so that a
/// translation can put the values where its language wants them.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Called first in main(): takes the user's locale for the character set and
/// the messages only, so that numbers are read and written with a decimal
/// point in every locale, and binds the text domain to the catalogue folder
/// beside the program's own folder (../share/locale, in a build tree as in an
/// installed one), or to the installed folder when there is none.
void StartTranslation();
