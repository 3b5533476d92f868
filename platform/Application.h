#pragma once

// What the program sets up once its QApplication exists: its name and icon, the one font of all
// its windows, and Qt's own texts (the standard dialogs and their buttons) in Italian whatever
// the machine's language. Returns false when Qt's Italian translations are not installed; the
// program then goes on with those texts in English.
bool setUpApplication();
