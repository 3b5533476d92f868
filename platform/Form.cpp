#include "platform/Form.h"
#include "platform/Dialogs.h"
#include "platform/TextMeasure.h"
#include "platform/XPControls.h"
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPointer>
#include <QScreen>
#include <QTimer>

Form::Form(const QString &name, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                          | Qt::WindowCloseButtonHint),
      m_name(name)
{
    setObjectName(name);
    setWindowIcon(mainWindowIcon());
    m_measureFont = font();
}

Form::~Form()
{
    // Controls are child widgets destroyed by QWidget; they must not call back into this form.
    for (Control *c : m_controls)
        c->detachForm();
    m_controls.clear();
    if (m_release) {
        auto hook = std::move(m_release);
        hook();
    }
}

namespace {
QList<Form *> &liveDefaultInstances()
{
    static QList<Form *> forms;
    return forms;
}
}

QList<Form *> defaultInstances() { return liveDefaultInstances(); }
void addDefaultInstance(Form *form) { liveDefaultInstances().append(form); }
void removeDefaultInstance(Form *form) { liveDefaultInstances().removeAll(form); }

Control *Form::control(const QString &name) const
{
    for (Control *c : m_controls)
        if (c->Name().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void Form::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
    if (m_loaded)
        fitButtonCaptions(this);
}

void Form::Show(bool modal)
{
    Load();
    if (!m_loaded)
        return;
    if (!modal) {
        show();
        return;
    }
    if (DialogScript::active()) {
        std::function<void(Form *)> driver;
        if (DialogScript::takeDriver(m_name, driver))
            driver(this);
        if (m_loaded)
            Unload();
        return;
    }
    m_inExec = true;
    exec();
    m_inExec = false;
    if (m_loaded)
        Unload();
}

void Form::Unload()
{
    if (!m_loaded || m_unloading)
        return;
    m_unloading = true;
    Form_Unload();
    m_loaded = false;
    if (m_inExec)
        done(0);
    else
        hide();
    m_unloading = false;
    if (m_release) {
        auto hook = std::move(m_release);
        m_release = nullptr;
        hook();
    }
    deleteLater();
}

namespace {
// The window of the program that was activated last. Activation counts only when it passes
// from one window of the program to another: coming back from a message box, an input box or
// another application is no activation, or an activation that shows a message would loop.
QPointer<Form> g_lastActivated;
}

bool Form::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate && m_loaded && g_lastActivated != this) {
        g_lastActivated = this;
        Form_Activate();
    }
    return QDialog::event(e);
}

void Form::closeEvent(QCloseEvent *e)
{
    if (m_loaded && !m_unloading) {
        Unload();
        e->accept();
        return;
    }
    QDialog::closeEvent(e);
}

void Form::reject()
{
    if (m_loaded && !m_unloading)
        Unload();
    else
        QDialog::reject();
}

void Form::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    if (m_loaded)
        Form_Resize();
}

double Form::Left() const { return toTwips(frameGeometry().x()); }
double Form::Top() const { return toTwips(frameGeometry().y()); }
double Form::Width() const { return toTwips(frameGeometry().width()); }
double Form::Height() const { return toTwips(frameGeometry().height()); }
void Form::setLeft(double twips) { move(toPixels(twips), frameGeometry().y()); }
void Form::setTop(double twips) { move(frameGeometry().x(), toPixels(twips)); }

void Form::setWidth(double twips)
{
    const int frame = frameGeometry().width() - width();
    resize(qMax(1, toPixels(twips) - frame), height());
}

void Form::setHeight(double twips)
{
    const int frame = frameGeometry().height() - height();
    resize(width(), qMax(1, toPixels(twips) - frame));
}

double Form::ScaleWidth() const { return toTwips(width()); }
double Form::ScaleHeight() const { return toTwips(height()); }

void Form::setFontName(const QString &name) { m_measureFont.setFamily(name); }
void Form::setFontSize(double points) { m_measureFont.setPointSizeF(points); }
void Form::setFontBold(bool bold) { m_measureFont.setBold(bold); }

double Form::TextWidth(const QString &text) const { return TextMeasure(m_measureFont).width(text); }

namespace {
int g_pointer = 0;
}

double Screen::Width()
{
    QScreen *s = QGuiApplication::primaryScreen();
    return s ? toTwips(s->geometry().width()) : 0;
}

double Screen::Height()
{
    QScreen *s = QGuiApplication::primaryScreen();
    return s ? toTwips(s->geometry().height()) : 0;
}

void Screen::setMousePointer(int pointer)
{
    if (pointer == g_pointer)
        return;
    if (g_pointer != 0)
        QApplication::restoreOverrideCursor();
    g_pointer = pointer;
    if (pointer == 11)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (pointer != 0)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
}

int Screen::MousePointer() { return g_pointer; }

// The images live in a static library, whose resource registration the linker may drop.
static void initResources() { Q_INIT_RESOURCE(resources); }

void ensureResources()
{
    static const bool done = (initResources(), true);
    Q_UNUSED(done);
}

QIcon mainWindowIcon()
{
    ensureResources();
    static QIcon icon(QStringLiteral(":/norvik/icon.png"));
    return icon;
}
