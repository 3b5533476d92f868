#pragma once
// What a user may put into a one-line box. Control characters (below U+0020, NUL among them) are
// no part of a field and a NUL cannot even stand in a statement's text: they are dropped when
// typed or pasted. Everything else is kept as it is.
#include <QString>

class QLineEdit;

namespace TypedText {

QString withoutControls(QString text);

// From now on, what the user types, pastes or drops into the box loses its control characters;
// a text the program sets is left as it is.
void dropControls(QLineEdit *box);

}
