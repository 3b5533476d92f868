#pragma once
#include "platform/Control.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>
#include <QWidget>

class Form;
class QCalendarWidget;
class QFrame;
class QToolButton;

// The window frame band: a gradient title strip with the main window's icon and the caption.
class XPForm : public QWidget, public Control {
    Q_OBJECT
public:
    XPForm(Form *form, const QString &name, const QString &caption);
    QWidget *widget() override { return this; }
    QString Caption() const { return m_caption; }
    void setCaption(const QString &c);
    bool DrawGradientForm = false;
    void setIcon(const QIcon &icon);
    QIcon Icon() const { return m_icon; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QString m_caption;
    QIcon m_icon;
};

class XPLabel : public QLabel, public Control {
    Q_OBJECT
public:
    XPLabel(Form *form, const QString &name, const QString &caption, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }
    QString Caption() const { return text(); }
    void setCaption(const QString &c) { setText(c); }
    void setBold(bool bold);
};

class XPTextBox : public QLineEdit, public Control {
    Q_OBJECT
public:
    XPTextBox(Form *form, const QString &name, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }
    QString Text() const { return text(); }
    void setTextValue(const QString &t) { setText(t); }
    bool Locked() const { return isReadOnly(); }
    void setLocked(bool on) { setReadOnly(on); }
};

// A button whose caption may carry an "&" access key.
class XPButton : public QPushButton, public Control {
    Q_OBJECT
public:
    XPButton(Form *form, const QString &name, const QString &caption, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }
    QString Caption() const { return text(); }
    void setCaption(const QString &c) { setText(c); }
    // A button that wraps its caption over several lines keeps the size it was given.
    bool wrapsCaption() const { return m_wrapsCaption; }
    void setWrapsCaption(bool on) { m_wrapsCaption = on; }

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool m_wrapsCaption = false;
};

// Every button shows its caption in the program's one font. A caption wider than its button
// widens the button, and the buttons right of it on the same row move along by as much; a
// button that wraps its caption is left as it is.
void fitButtonCaptions(QWidget *window);

// A combo box whose items carry a whole-number key (64 bits, so no key is out of reach).
class XPComboBox : public QComboBox, public Control {
    Q_OBJECT
public:
    XPComboBox(Form *form, const QString &name, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }
    void AddItem(const QString &text);
    void Clear() { clear(); }
    int ListCount() const { return count(); }
    int ListIndex() const { return currentIndex(); }
    void setListIndex(int i); // -1 selects nothing; out of range raises
    qint64 ItemData(int i) const;
    void setItemData(int i, qint64 data);
    QString List(int i) const { return itemText(i); }
    QString Text() const { return currentIndex() < 0 ? QString() : currentText(); }
    bool DropDownList = false;
signals:
    void Change();
    void KeyUp(int keyCode, int shift);
    void KeyDown(int keyCode, int shift);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
};

// Date picker: a date typed in any form TypedDate reads (1/2/24, 01022024, 2024-02-01 ...) or
// chosen in its calendar, which has a today button "Oggi"; shown as dd/mm/yyyy once the user is
// done with it. Empty, it shows "0.00.00". Text typed that is not a whole date stays as it was
// typed: the picker then holds no date, and the window's own date check refuses it.
class XPDTPicker : public QLineEdit, public Control {
    Q_OBJECT
public:
    XPDTPicker(Form *form, const QString &name, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }
    bool IsEmpty() const;
    QDate Value() const; // null when empty or when the text is not a whole date
    void setValue(const QDate &d);
    void Clear();
    // The picker's value as text: "0.00.00" when empty, dd/mm/yyyy for a date, else the text
    // as typed.
    QString ValueText() const;
    QString TodayText = QStringLiteral("Oggi");

    // A whole date as TypedDate reads typed text; a null date for anything else.
    static QDate parse(const QString &text);

    // The calendar opens on the date held, or on today when the picker holds none.
    void showCalendar();
    QCalendarWidget *calendarWidget() const { return m_calendar; }
    QToolButton *dropButton() const { return m_drop; }

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void step(int direction);
    bool typeOver(QChar c);
    void tidy();
    void choose(const QDate &d);

    QFrame *m_popup;
    QCalendarWidget *m_calendar;
    QToolButton *m_drop;
};

class XPCheckBox : public QCheckBox, public Control {
    Q_OBJECT
public:
    XPCheckBox(Form *form, const QString &name, const QString &caption, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }
    QString Caption() const { return text(); }
    int Value() const; // 0 unticked, 1 ticked, 2 grey
    void setValue(int v);
    // Whether a click can make the box grey. Where grey is only ever set by the program, a
    // click toggles between unticked and ticked (and makes a grey box ticked).
    void setGreyByClick(bool on) { m_greyByClick = on; }

protected:
    void nextCheckState() override;

private:
    bool m_greyByClick = true;
};

class XPOptionButton : public QRadioButton, public Control {
    Q_OBJECT
public:
    XPOptionButton(Form *form, const QString &name, const QString &caption, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }
    QString Caption() const { return text(); }
    bool Value() const { return isChecked(); }
    void setValue(bool v) { setChecked(v); }
};

class XPPicture : public QLabel, public Control {
    Q_OBJECT
public:
    XPPicture(Form *form, const QString &name, const QString &resource, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }
};
