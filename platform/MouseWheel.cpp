#include "platform/MouseWheel.h"
#include "platform/MSFlexGrid.h"
#include <QApplication>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int WheelDelta = 120;

int mouseKeys(const QWheelEvent *e)
{
    const Qt::MouseButtons b = e->buttons();
    const Qt::KeyboardModifiers m = e->modifiers();
    return ((b & Qt::LeftButton) ? 0x1 : 0) | ((b & Qt::RightButton) ? 0x2 : 0) | ((m & Qt::ShiftModifier) ? 0x4 : 0)
           | ((m & Qt::ControlModifier) ? 0x8 : 0) | ((b & Qt::MiddleButton) ? 0x10 : 0)
           | ((b & Qt::XButton1) ? 0x20 : 0) | ((b & Qt::XButton2) ? 0x40 : 0);
}

// One application-wide filter: a wheel event goes to the widget under the pointer, so the hook
// catches it wherever it lands inside a hooked window (grid viewport, scroll bars, buttons).
class WheelHooker : public QObject {
public:
    struct Hook {
        QPointer<QWidget> window;
        MouseWheelHandler handler;
        int pending = 0; // a high-resolution wheel's partial turn, until it makes one step
    };

    Hook *find(const QWidget *window)
    {
        for (Hook &h : m_hooks)
            if (h.window == window)
                return &h;
        return nullptr;
    }

    void add(QWidget *window, MouseWheelHandler handler)
    {
        if (Hook *h = find(window)) {
            h->handler = std::move(handler);
            return;
        }
        m_hooks.push_back({window, std::move(handler), 0});
        QObject::connect(window, &QObject::destroyed, this, [this, window] { remove(window); });
    }

    void remove(const QWidget *window)
    {
        m_hooks.erase(std::remove_if(m_hooks.begin(), m_hooks.end(),
                                     [window](const Hook &h) { return h.window == window || h.window.isNull(); }),
                      m_hooks.end());
    }

    bool empty() const { return m_hooks.empty(); }

protected:
    bool eventFilter(QObject *obj, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel || !obj->isWidgetType())
            return false;
        QWidget *window = static_cast<QWidget *>(obj)->window();
        Hook *hook = find(window);
        if (!hook)
            return false;
        const auto *we = static_cast<QWheelEvent *>(event);
        const int delta = we->angleDelta().y();
        if (delta == 0)
            return false; // horizontal turns are not wheel steps of the window
        // Accepted as well as filtered: an ignored wheel event would travel on to the parents
        // and come through here once more.
        event->accept();
        try {
            hook->pending += delta;
            if (std::abs(hook->pending) < WheelDelta)
                return true;
            const int rotation = hook->pending / WheelDelta * WheelDelta;
            hook->pending -= rotation;
            const QPoint g = we->globalPosition().toPoint();
            if (IsOver(window, g.x(), g.y())) {
                MouseWheelHandler handler = hook->handler; // the handler may unhook its window
                if (handler)
                    handler(mouseKeys(we), rotation, g.x(), g.y());
            }
        } catch (...) {
            // An error while a wheel turn is handled stays here: the turn is simply lost.
        }
        // Consumed: nothing inside a hooked window scrolls a second time on its own.
        return true;
    }

private:
    std::vector<Hook> m_hooks;
};

WheelHooker *g_hooker = nullptr;

} // namespace

void WheelHook(QWidget *window, MouseWheelHandler mouseWheel)
{
    if (!window || !QCoreApplication::instance())
        return;
    if (!g_hooker) {
        g_hooker = new WheelHooker;
        QCoreApplication::instance()->installEventFilter(g_hooker);
    }
    g_hooker->add(window, std::move(mouseWheel));
}

void WheelUnhook(QWidget *window)
{
    if (!g_hooker)
        return;
    g_hooker->remove(window);
    if (g_hooker->empty()) {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(g_hooker);
        g_hooker->deleteLater();
        g_hooker = nullptr;
    }
}

bool IsWheelHooked(const QWidget *window) { return g_hooker && window && g_hooker->find(window); }

bool IsOver(const QWidget *widget, int x, int y)
{
    if (!widget)
        return false;
    const QRect r =
        widget->isWindow() ? widget->frameGeometry() : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    return x >= r.left() && x <= r.left() + r.width() && y >= r.top() && y <= r.top() + r.height();
}

void MSFlexGridScroll(MSFlexGrid *grid, int, int Rotation, int, int)
{
    if (!grid)
        return;
    try {
        int page = 0;
        const double header = grid->RowHeight(0);
        if (header > 0)
            page = int(std::floor(grid->Height() / header));
        if (page > grid->Rows())
            return; // all rows fit
        // Stops at 0: a grid too low to show even its top row must not spin here.
        while (page > 0 && !grid->RowIsVisible(grid->TopRow() + page))
            --page;
        const int top = grid->TopRow();
        const int newTop = Rotation <= 0 ? std::min(top + page, grid->Rows() - 1) : std::max(top - page, 1);
        grid->setTopRow(newTop);
    } catch (...) {
        // A grid that cannot tell its sizes simply does not scroll.
    }
}
