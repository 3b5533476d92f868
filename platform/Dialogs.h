#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class Form;

// Message box codes the program passes and receives.
namespace MsgCode {
constexpr int OkOnly = 0;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int AnsOk = 1;
constexpr int AnsYes = 6;
constexpr int AnsNo = 7;
}

// The styled dialog component: message box and input box. Real Qt boxes for the user; when a
// script is active (tests) they show nothing, take the queued answers and record every box.
namespace StyledDialogs {
int MessageBox(const QString &prompt, int buttons, const QString &title);
// Returns "" when the user cancels.
QString InputBox(const QString &prompt, const QString &title, const QString &defaultText);
}

// The plain system message box: OK only, the program's title.
void PlainMessageBox(const QString &prompt);

// The save-file dialog of the CSV export: a filter in the classic "Name|*.ext" form.
class SaveFileDialog {
public:
    QString Filter;
    QString FileName;
    void ShowSave();
};

// Scripted answers for headless tests.
namespace DialogScript {
struct Box {
    enum Kind { Message, Plain, Input, Save } kind;
    QString prompt;
    int buttons = 0;
    QString title;
    QString defaultText;
};
void enable(); // boxes no longer show; answers come from the queues below
void disable();
bool active();
void reset(); // clears queues and records (stays enabled)
void answerMessage(int answer);
// The answer given by a function called while the box is up (what else happens meanwhile).
void answerMessage(std::function<int()> answer);
void answerInput(const QString &text);
void answerSaveFile(const QString &fileName);
// A driver acts on the next window shown modally (checked against its name), then the window
// is closed if the driver did not close it. With no driver queued a modal window closes at once.
void driveModal(const QString &formName, std::function<void(Form *)> driver);
QList<Box> &boxes();
QStringList &problems(); // unexpected events: a driver for another window, an unanswered box
// Internal, for the modal layer.
bool takeDriver(const QString &formName, std::function<void(Form *)> &driver);
int pendingDrivers();
}
