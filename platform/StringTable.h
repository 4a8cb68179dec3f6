#pragma once

#include <string>

// The program's string table: the message with the given id, or an empty string
// when the table has none.
std::string LoadResString(unsigned nId);
