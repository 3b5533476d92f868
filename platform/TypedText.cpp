#include "platform/TypedText.h"
#include <QLineEdit>
#include <algorithm>

namespace TypedText {

namespace {
bool isControl(QChar c) { return c.unicode() < 0x20; }
}

QString withoutControls(QString text)
{
    text.removeIf(isControl);
    return text;
}

void dropControls(QLineEdit *box)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString &text) {
        if (std::none_of(text.begin(), text.end(), isControl))
            return;
        // The caret stays after what was typed or pasted.
        const int caret = box->cursorPosition();
        const int before =
            int(std::count_if(text.begin(), text.begin() + std::min(caret, int(text.size())), isControl));
        box->setText(withoutControls(text));
        box->setCursorPosition(caret - before);
    });
}

}
