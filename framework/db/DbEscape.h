#pragma once
// Putting values into MySQL statement text. Values that are not bound as parameters go through
// these functions, so that no value can end a literal or an identifier early.
#include "Strings.h"

#include <string_view>

// The value escaped for use between single quotes of a MySQL string literal: backslash, both
// quote characters, NUL, LF, CR and Ctrl-Z get a backslash escape. Assumes the server's default
// SQL mode (backslash escapes on).
UnicodeString MySqlEscape(std::wstring_view value);
AnsiString MySqlEscape(std::string_view value);

// The value as a complete literal: MySqlEscape between single quotes.
UnicodeString MySqlQuote(std::wstring_view value);

// A name escaped for use between backticks (database and table names): a backtick is doubled.
// MySQL names cannot hold NUL; such a name raises EFDException.
UnicodeString MySqlEscapeIdentifier(std::wstring_view name);
