#include "platform/XPControls.h"
#include "platform/Form.h"
#include "platform/KeyCodes.h"
#include "platform/PlatformError.h"
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QToolButton>

namespace {
QWidget *host(Form *form, QWidget *parent) { return parent ? parent : static_cast<QWidget *>(form); }
// A date far before any real one stands for the empty picker.
const QDate kEmptyDate(1752, 9, 14);
}

// ---- XPForm ----

XPForm::XPForm(Form *form, const QString &name, const QString &caption)
    : QWidget(form), Control(form, name, ControlKind::Frame), m_caption(caption)
{
    setFixedHeight(30);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void XPForm::setCaption(const QString &c)
{
    m_caption = c;
    update();
}

void XPForm::setIcon(const QIcon &icon)
{
    m_icon = icon;
    update();
}

void XPForm::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (DrawGradientForm) {
        QLinearGradient g(0, 0, width(), 0);
        g.setColorAt(0, QColor(0x1f, 0x4e, 0x79));
        g.setColorAt(1, QColor(0x9f, 0xc3, 0xe6));
        p.fillRect(rect(), g);
    } else {
        p.fillRect(rect(), QColor(0x33, 0x66, 0x99));
    }
    int x = 8;
    if (!m_icon.isNull()) {
        m_icon.paint(&p, QRect(x, (height() - 20) / 2, 20, 20));
        x += 28;
    }
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(9.75);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(x, 0, width() - x - 8, height()), Qt::AlignVCenter | Qt::AlignLeft, m_caption);
}

// ---- simple controls ----

XPLabel::XPLabel(Form *form, const QString &name, const QString &caption, QWidget *parent)
    : QLabel(caption, host(form, parent)), Control(form, name, ControlKind::Label)
{
}

void XPLabel::setBold(bool bold)
{
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

XPTextBox::XPTextBox(Form *form, const QString &name, QWidget *parent)
    : QLineEdit(host(form, parent)), Control(form, name, ControlKind::TextBox)
{
}

XPButton::XPButton(Form *form, const QString &name, const QString &caption, QWidget *parent)
    : QPushButton(caption, host(form, parent)), Control(form, name, ControlKind::Button)
{
    setAutoDefault(false);
}

// ---- combo ----

XPComboBox::XPComboBox(Form *form, const QString &name, QWidget *parent)
    : QComboBox(host(form, parent)), Control(form, name, ControlKind::ComboBox)
{
    connect(this, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) { emit Change(); });
}

void XPComboBox::AddItem(const QString &text) { addItem(text); }

void XPComboBox::setListIndex(int i)
{
    if (i < -1 || i >= count())
        throw PlatformError(380, QStringLiteral("Invalid property value"));
    setCurrentIndex(i);
}

qint64 XPComboBox::ItemData(int i) const
{
    if (i < 0 || i >= count())
        throw PlatformError(381, QStringLiteral("Invalid property array index"));
    return itemData(i).toLongLong();
}

void XPComboBox::setItemData(int i, qint64 data)
{
    if (i < 0 || i >= count())
        throw PlatformError(381, QStringLiteral("Invalid property array index"));
    QComboBox::setItemData(i, QVariant(data));
}

void XPComboBox::keyPressEvent(QKeyEvent *e)
{
    emit KeyDown(virtualKey(e), shiftState(e->modifiers()));
    // End and Home are the window's own business (it selects the last or first item on release).
    if (e->key() == Qt::Key_End || e->key() == Qt::Key_Home) {
        e->accept();
        return;
    }
    QComboBox::keyPressEvent(e);
}

void XPComboBox::keyReleaseEvent(QKeyEvent *e)
{
    QComboBox::keyReleaseEvent(e);
    emit KeyUp(virtualKey(e), shiftState(e->modifiers()));
}

// ---- date picker ----

namespace {
class PickerCalendar : public QCalendarWidget {
public:
    PickerCalendar(XPDTPicker *picker) : QCalendarWidget(picker), m_picker(picker)
    {
        setGridVisible(true);
        setFirstDayOfWeek(Qt::Monday);
        setLocale(QLocale(QLocale::Italian, QLocale::Italy));
        auto *today = new QToolButton(this);
        today->setText(picker->TodayText);
        today->setAutoRaise(true);
        if (layout())
            layout()->addWidget(today);
        connect(today, &QToolButton::clicked, this, [this, picker] {
            picker->setValue(QDate::currentDate());
            if (QWidget *popup = window(); popup && popup != picker->window())
                popup->hide();
        });
    }

protected:
    void showEvent(QShowEvent *e) override
    {
        // An empty picker opens on the current month, not on its placeholder date.
        if (m_picker->IsEmpty())
            setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
        QCalendarWidget::showEvent(e);
    }

private:
    XPDTPicker *m_picker;
};
}

XPDTPicker::XPDTPicker(Form *form, const QString &name, QWidget *parent)
    : QDateEdit(host(form, parent)), Control(form, name, ControlKind::DTPicker)
{
    setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    setMinimumDate(kEmptyDate);
    setMaximumDate(QDate(9999, 12, 31));
    setSpecialValueText(QStringLiteral("0.00.00"));
    setCalendarPopup(true);
    setCalendarWidget(new PickerCalendar(this));
    setDate(kEmptyDate);
}

bool XPDTPicker::IsEmpty() const { return date() == kEmptyDate; }
QDate XPDTPicker::Value() const { return IsEmpty() ? QDate() : date(); }
void XPDTPicker::setValue(const QDate &d) { setDate(d.isValid() ? d : kEmptyDate); }
void XPDTPicker::Clear() { setDate(kEmptyDate); }
QString XPDTPicker::ValueText() const
{
    return IsEmpty() ? QStringLiteral("0.00.00") : date().toString(QStringLiteral("dd/MM/yyyy"));
}

void XPDTPicker::keyPressEvent(QKeyEvent *e)
{
    // Delete empties the picker: a date that is not known is stored as nothing.
    if (e->key() == Qt::Key_Delete) {
        Clear();
        e->accept();
        return;
    }
    QDateEdit::keyPressEvent(e);
}

// ---- check, option, picture ----

XPCheckBox::XPCheckBox(Form *form, const QString &name, const QString &caption, QWidget *parent)
    : QCheckBox(caption, host(form, parent)), Control(form, name, ControlKind::CheckBox)
{
    setTristate(true);
}

int XPCheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    default:
        return 2;
    }
}

void XPCheckBox::setValue(int v)
{
    setCheckState(v == 0 ? Qt::Unchecked : v == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void XPCheckBox::nextCheckState()
{
    if (m_greyByClick)
        QCheckBox::nextCheckState();
    else
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

XPOptionButton::XPOptionButton(Form *form, const QString &name, const QString &caption, QWidget *parent)
    : QRadioButton(caption, host(form, parent)), Control(form, name, ControlKind::OptionButton)
{
}

XPPicture::XPPicture(Form *form, const QString &name, const QString &resource, QWidget *parent)
    : QLabel(host(form, parent)), Control(form, name, ControlKind::Picture)
{
    ensureResources();
    setPixmap(QPixmap(resource));
    setScaledContents(true);
}
