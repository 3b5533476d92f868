#include "platform/Dialogs.h"
#include "platform/TypedText.h"
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>

namespace {
struct ScriptState {
    bool active = false;
    QQueue<std::function<int()>> messages;
    QQueue<QString> inputs;
    QQueue<QString> saves;
    QQueue<QPair<QString, std::function<void(Form *)>>> drivers;
    QList<DialogScript::Box> boxes;
    QStringList problems;
};
ScriptState &S()
{
    static ScriptState s;
    return s;
}

QWidget *activeParent() { return QApplication::activeWindow(); }
}

namespace DialogScript {
void enable() { S().active = true; }
void disable() { S().active = false; }
bool active() { return S().active; }
void reset()
{
    S().messages.clear();
    S().inputs.clear();
    S().saves.clear();
    S().drivers.clear();
    S().boxes.clear();
    S().problems.clear();
}
void answerMessage(int answer)
{
    S().messages.enqueue([answer] { return answer; });
}
void answerMessage(std::function<int()> answer) { S().messages.enqueue(std::move(answer)); }
void answerInput(const QString &text) { S().inputs.enqueue(text); }
void answerSaveFile(const QString &fileName) { S().saves.enqueue(fileName); }
void driveModal(const QString &formName, std::function<void(Form *)> driver)
{
    S().drivers.enqueue(qMakePair(formName, std::move(driver)));
}
QList<Box> &boxes() { return S().boxes; }
QStringList &problems() { return S().problems; }
int pendingDrivers() { return S().drivers.size(); }

bool takeDriver(const QString &formName, std::function<void(Form *)> &driver)
{
    if (S().drivers.isEmpty())
        return false;
    auto next = S().drivers.dequeue();
    if (next.first != formName) {
        S().problems << QStringLiteral("driver for %1 met window %2").arg(next.first, formName);
        return false;
    }
    driver = std::move(next.second);
    return true;
}
}

int StyledDialogs::MessageBox(const QString &prompt, int buttons, const QString &title)
{
    const bool yesNo = (buttons & 0x7) == MsgCode::YesNo;
    if (S().active) {
        S().boxes.append({DialogScript::Box::Message, prompt, buttons, title, QString()});
        if (!S().messages.isEmpty())
            return S().messages.dequeue()();
        return yesNo ? MsgCode::AnsNo : MsgCode::AnsOk;
    }
    QMessageBox box(activeParent());
    box.setWindowTitle(title);
    box.setText(prompt);
    switch (buttons & 0x70) {
    case MsgCode::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgCode::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgCode::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case 32:
        box.setIcon(QMessageBox::Question);
        break;
    default:
        break;
    }
    if (yesNo) {
        QPushButton *yes = box.addButton(QStringLiteral("&Sì"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MsgCode::AnsYes : MsgCode::AnsNo;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return MsgCode::AnsOk;
}

QString StyledDialogs::InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    if (S().active) {
        S().boxes.append({DialogScript::Box::Input, prompt, 0, title, defaultText});
        return S().inputs.isEmpty() ? QString() : TypedText::withoutControls(S().inputs.dequeue());
    }
    QInputDialog dlg(activeParent());
    dlg.setWindowTitle(title);
    dlg.setLabelText(prompt);
    dlg.setTextValue(defaultText);
    if (auto *box = dlg.findChild<QLineEdit *>())
        TypedText::dropControls(box);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("Annulla"));
    dlg.resize(420, dlg.sizeHint().height());
    if (dlg.exec() != QDialog::Accepted)
        return QString();
    return TypedText::withoutControls(dlg.textValue());
}

void PlainMessageBox(const QString &prompt)
{
    if (S().active) {
        S().boxes.append({DialogScript::Box::Plain, prompt, 0, QStringLiteral("Norvik"), QString()});
        return;
    }
    QMessageBox box(activeParent());
    box.setWindowTitle(QStringLiteral("Norvik"));
    box.setText(prompt);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void SaveFileDialog::ShowSave()
{
    if (S().active) {
        S().boxes.append({DialogScript::Box::Save, QString(), 0, QString(), Filter});
        FileName = S().saves.isEmpty() ? QString() : S().saves.dequeue();
        return;
    }
    // "Description|*.ext|..." pairs become Qt's "Description (*.ext);;..." form.
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i],
                                                 QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    // The program asks its own overwrite question.
    FileName =
        QFileDialog::getSaveFileName(activeParent(), QStringLiteral("Salva con nome"), QString(),
                                     filters.join(QStringLiteral(";;")), nullptr, QFileDialog::DontConfirmOverwrite);
}
