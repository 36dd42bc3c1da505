#pragma once

#include <QString>

// Opens a page of the shipped help, Help/HelpEng/Pages/<page>.htm in the
// program folder, in the user's browser through the address opener. False
// when the page is missing or nothing could open it.
bool ShowHelpPage(const QString& page);

// The help's start page, Help/HelpEng/index.htm.
bool ShowHelpStart();
