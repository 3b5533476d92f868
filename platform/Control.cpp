#include "platform/Control.h"
#include "platform/Form.h"
#include <QWidget>

Control::Control(Form *form, QString name, ControlKind kind) : m_form(form), m_name(std::move(name)), m_kind(kind)
{
    if (m_form)
        m_form->registerControl(this);
}

Control::~Control()
{
    if (m_form)
        m_form->unregisterControl(this);
}

bool Control::Visible() const { return !widget()->isHidden(); }
bool Control::TabStop() const { return widget()->focusPolicy() & Qt::TabFocus; }

void Control::setTabStop(bool on)
{
    QWidget *w = widget();
    if (on)
        w->setFocusPolicy(Qt::FocusPolicy(w->focusPolicy() | Qt::TabFocus));
    else
        w->setFocusPolicy(Qt::FocusPolicy(w->focusPolicy() & ~Qt::TabFocus));
}

void Control::Move(double left, double top, double width, double height)
{
    QWidget *w = widget();
    const int pw = width < 0 ? w->width() : toPixels(width);
    const int ph = height < 0 ? w->height() : toPixels(height);
    w->setGeometry(toPixels(left), toPixels(top), pw, ph);
}

double Control::Left() const { return toTwips(widget()->x()); }
double Control::Top() const { return toTwips(widget()->y()); }
double Control::Width() const { return toTwips(widget()->width()); }
double Control::Height() const { return toTwips(widget()->height()); }
void Control::SetFocus() { widget()->setFocus(Qt::OtherFocusReason); }
