#include "platform/XPControls.h"
#include "platform/Form.h"
#include "platform/KeyCodes.h"
#include "platform/PlatformError.h"
#include "platform/TypedDate.h"
#include "platform/TypedText.h"
#include <QCalendarWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QWidget *host(Form *form, QWidget *parent) { return parent ? parent : static_cast<QWidget *>(form); }
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
    TypedText::dropControls(this);
}

XPButton::XPButton(Form *form, const QString &name, const QString &caption, QWidget *parent)
    : QPushButton(caption, host(form, parent)), Control(form, name, ControlKind::Button)
{
    setAutoDefault(false);
}

// Enter presses the button that has the focus, as Space does: no window has a default button,
// so without this the key would do nothing.
void XPButton::keyPressEvent(QKeyEvent *e)
{
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && !(e->modifiers() & ~Qt::KeypadModifier)) {
        e->accept();
        if (!e->isAutoRepeat() && isEnabled())
            click();
        return;
    }
    QPushButton::keyPressEvent(e);
}

namespace {
// The width a button needs to show its caption whole: the text and the style's margins.
int captionWidth(const QPushButton *b)
{
    const QStyle *style = b->style();
    return b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width()
           + 2
                 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b)
                    + style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b));
}
}

void fitButtonCaptions(QWidget *window)
{
    const QList<XPButton *> buttons = window->findChildren<XPButton *>();
    QList<XPButton *> byLeft = buttons;
    std::stable_sort(byLeft.begin(), byLeft.end(), [](XPButton *a, XPButton *b) { return a->x() < b->x(); });
    for (XPButton *b : std::as_const(byLeft)) {
        if (b->wrapsCaption())
            continue;
        const int grow = captionWidth(b) - b->width();
        if (grow <= 0)
            continue;
        const QRect was = b->geometry();
        b->resize(was.width() + grow, was.height());
        for (XPButton *other : buttons) {
            const QRect g = other->geometry();
            const bool sameRow =
                other->parentWidget() == b->parentWidget() && g.top() < was.bottom() && g.bottom() > was.top();
            if (other != b && sameRow && g.left() > was.left())
                other->move(g.left() + grow, g.top());
        }
    }
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
constexpr int kFirstYear = TypedDate::FirstYear;
const QString kShownForm = QStringLiteral("dd/MM/yyyy");

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool digitsAt(const QString &t, int from, int count)
{
    for (int i = from; i < from + count; ++i)
        if (i >= t.size() || !isDigit(t.at(i)))
            return false;
    return true;
}

// dd/dd/dddd: every place of a date is taken, so typing goes over the characters.
bool fullShape(const QString &t)
{
    return t.size() == 10 && digitsAt(t, 0, 2) && t.at(2) == QLatin1Char('/') && digitsAt(t, 3, 2)
           && t.at(5) == QLatin1Char('/') && digitsAt(t, 6, 4);
}
}

QDate XPDTPicker::parse(const QString &text) { return TypedDate::read(text).date(); }

XPDTPicker::XPDTPicker(Form *form, const QString &name, QWidget *parent)
    : QLineEdit(host(form, parent)), Control(form, name, ControlKind::DTPicker)
{
    setPlaceholderText(QStringLiteral("0.00.00"));
    // The characters of every form a date is read in, up to the stored form with its time.
    setMaxLength(19);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9/.\\- :]*")), this));

    m_drop = new QToolButton(this);
    m_drop->setArrowType(Qt::DownArrow);
    m_drop->setFocusPolicy(Qt::NoFocus);
    m_drop->setCursor(Qt::ArrowCursor);
    m_drop->setToolTip(QStringLiteral("Calendario"));
    connect(m_drop, &QToolButton::clicked, this, [this] { showCalendar(); });

    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setFrameShape(QFrame::Box);
    auto *layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    m_calendar = new QCalendarWidget(m_popup);
    m_calendar->setGridVisible(true);
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    m_calendar->setMinimumDate(QDate(kFirstYear, 1, 1));
    m_calendar->setMaximumDate(QDate(9999, 12, 31));
    layout->addWidget(m_calendar);
    auto *today = new QPushButton(m_popup);
    today->setObjectName(QStringLiteral("today"));
    today->setAutoDefault(false);
    layout->addWidget(today);
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate d) { choose(d); });
    connect(m_calendar, &QCalendarWidget::activated, this, [this](QDate d) { choose(d); });
    connect(today, &QPushButton::clicked, this, [this] { choose(QDate::currentDate()); });
}

bool XPDTPicker::IsEmpty() const { return text().trimmed().isEmpty(); }
QDate XPDTPicker::Value() const { return parse(text().trimmed()); }
void XPDTPicker::setValue(const QDate &d) { setText(d.isValid() ? d.toString(kShownForm) : QString()); }
void XPDTPicker::Clear() { clear(); }

QString XPDTPicker::ValueText() const
{
    if (IsEmpty())
        return QStringLiteral("0.00.00");
    const QDate d = Value();
    return d.isValid() ? d.toString(kShownForm) : text();
}

// A whole date typed in another form is shown as dd/mm/yyyy once the user is done with it.
void XPDTPicker::tidy()
{
    const QDate d = Value();
    if (d.isValid() && text() != d.toString(kShownForm))
        setValue(d);
}

void XPDTPicker::choose(const QDate &d)
{
    m_popup->hide();
    setValue(d);
    setFocus(Qt::PopupFocusReason);
}

void XPDTPicker::showCalendar()
{
    const QDate held = Value();
    const QDate shown = held.isValid() ? held : QDate::currentDate();
    m_popup->findChild<QPushButton *>(QStringLiteral("today"))->setText(TodayText);
    m_calendar->setSelectedDate(shown);
    m_calendar->setCurrentPage(shown.year(), shown.month());
    m_popup->adjustSize();
    // Below the picker, or above it where the screen ends.
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen *screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        if (at.y() + m_popup->height() > room.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
        at.setX(std::max(room.left(), std::min(at.x(), room.right() - m_popup->width())));
    }
    m_popup->move(at);
    m_popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

// Up and Down step the part of the date the cursor stands in; an empty picker starts from today.
void XPDTPicker::step(int direction)
{
    if (IsEmpty()) {
        setValue(QDate::currentDate());
        setCursorPosition(0);
        return;
    }
    const QDate held = Value();
    if (!held.isValid())
        return; // nothing to count from: the text stays as typed
    const int at = hasSelectedText() ? selectionStart() : cursorPosition();
    const QDate next = at <= 2   ? held.addDays(direction)
                       : at <= 5 ? held.addMonths(direction)
                                 : held.addYears(direction);
    if (next.year() < kFirstYear || next.year() > 9999)
        return;
    setValue(next);
    setCursorPosition(at);
}

// Over a date with every place taken, typing replaces a character at a time (skipping the
// slashes) instead of pushing the text along; at its end it starts a new date.
bool XPDTPicker::typeOver(QChar c)
{
    const QString t = text();
    if (hasSelectedText() || !fullShape(t))
        return false;
    int at = cursorPosition();
    if (at >= t.size()) {
        if (isDigit(c)) {
            selectAll();
            insert(QString(c));
        }
        return true;
    }
    if (c == QLatin1Char('/')) {
        if (t.at(at) == QLatin1Char('/'))
            setCursorPosition(at + 1);
        return true;
    }
    if (t.at(at) == QLatin1Char('/'))
        ++at;
    setSelection(at, 1);
    insert(QString(c));
    return true;
}

void XPDTPicker::keyPressEvent(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (mods & Qt::AltModifier) {
            showCalendar();
        } else {
            step(e->key() == Qt::Key_Up ? 1 : -1);
        }
        e->accept();
        return;
    case Qt::Key_F4:
        showCalendar();
        e->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        tidy();
        break;
    default:
        break;
    }
    const QString typed = e->text();
    if (typed.size() == 1 && (isDigit(typed.at(0)) || typed.at(0) == QLatin1Char('/'))
        && !(mods & (Qt::ControlModifier | Qt::AltModifier)) && typeOver(typed.at(0))) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void XPDTPicker::focusOutEvent(QFocusEvent *e)
{
    if (e->reason() != Qt::PopupFocusReason)
        tidy();
    QLineEdit::focusOutEvent(e);
}

void XPDTPicker::resizeEvent(QResizeEvent *e)
{
    QLineEdit::resizeEvent(e);
    const int side = std::max(12, height() - 4);
    m_drop->setGeometry(width() - side - 2, 2, side, height() - 4);
    setTextMargins(0, 0, side + 2, 0);
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
