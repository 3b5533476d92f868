#pragma once
#include <QString>

class QWidget;
class Form;

// What every control of a window offers to the shared helpers: its designer name, its kind,
// and the widget that stands for it. Controls register themselves with their form in creation
// order, which is the order of the form's Controls collection.
enum class ControlKind {
    Frame,
    Label,
    TextBox,
    Button,
    ComboBox,
    DTPicker,
    CheckBox,
    OptionButton,
    Picture,
    Grid,
    Browser
};

constexpr int TwipsPerPixel = 15;
inline int toPixels(double twips) { return int(twips / TwipsPerPixel + (twips >= 0 ? 0.5 : -0.5)); }
inline double toTwips(int pixels) { return double(pixels) * TwipsPerPixel; }

class Control {
public:
    Control(Form *form, QString name, ControlKind kind);
    virtual ~Control();
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    const QString &Name() const { return m_name; }
    ControlKind Kind() const { return m_kind; }
    virtual QWidget *widget() = 0;
    const QWidget *widget() const { return const_cast<Control *>(this)->widget(); }

    bool Visible() const;
    bool TabStop() const;
    void setTabStop(bool on);
    // Geometry in twips, relative to the parent widget.
    void Move(double left, double top, double width = -1, double height = -1);
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void SetFocus();
    Form *form() const { return m_form; }
    // The form is going away before its child widgets: stop calling back into it.
    void detachForm() { m_form = nullptr; }

private:
    Form *m_form;
    QString m_name;
    ControlKind m_kind;
    bool m_visible = true;
};
