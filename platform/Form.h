#pragma once
#include "platform/Control.h"
#include <QDialog>
#include <QFont>
#include <QList>
#include <functional>

// A window of the program. Controls register with it in creation order (its Controls collection);
// it is loaded once (Form_Load), shown modally or not, and unloaded, which also releases the
// default instance so that the next use creates a fresh window.
class Form : public QDialog {
    Q_OBJECT
public:
    explicit Form(const QString &name, QWidget *parent = nullptr);
    ~Form() override;

    const QString &Name() const { return m_name; }
    QString Caption() const { return windowTitle(); }
    void setCaption(const QString &caption) { setWindowTitle(caption); }
    const QList<Control *> &Controls() const { return m_controls; }
    Control *control(const QString &name) const;

    // Runs Form_Load once; a form unloaded during its own load stays unloaded.
    void Load();
    bool isLoaded() const { return m_loaded; }
    // Modal show waits until the window has been unloaded; headless tests drive it through
    // DialogScript::driveModal.
    void Show(bool modal = true);
    void Unload();

    // Geometry of the whole window in twips.
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    double ScaleWidth() const;
    double ScaleHeight() const;
    bool isMinimizedState() const { return isMinimized(); }

    // The text-measuring surface: the font set here is the one TextWidth measures with.
    void setFontName(const QString &name);
    void setFontSize(double points);
    void setFontBold(bool bold);
    QString FontName() const { return m_measureFont.family(); }
    double FontSize() const { return m_measureFont.pointSizeF(); }
    bool FontBold() const { return m_measureFont.bold(); }
    double TextWidth(const QString &text) const;

    // Window events; each form overrides what it handles. Form_Activate runs when the window
    // becomes active coming from another window of the program (or at its first showing), not
    // when a message box or another application gives the focus back.
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload() {}

    void setReleaseHook(std::function<void()> hook) { m_release = std::move(hook); }
    void registerControl(Control *c) { m_controls.append(c); }
    void unregisterControl(Control *c) { m_controls.removeAll(c); }

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void reject() override; // Esc closes through Unload like the frame's close button

private:
    QString m_name;
    QList<Control *> m_controls;
    bool m_loaded = false;
    bool m_inExec = false;
    bool m_unloading = false;
    std::function<void()> m_release;
    QFont m_measureFont;
};

// The default instances alive now, oldest first (a test closes them all between cases).
QList<Form *> defaultInstances();
void addDefaultInstance(Form *form);
void removeDefaultInstance(Form *form);

// The one default instance of each window class: created on first use, cleared on unload.
template <class T>
class FormInstance {
public:
    static T *get()
    {
        T *&p = slot();
        if (!p) {
            p = new T;
            addDefaultInstance(p);
            p->setReleaseHook([] {
                removeDefaultInstance(slot());
                slot() = nullptr;
            });
        }
        return p;
    }
    static T *peek() { return slot(); }
    static bool exists() { return slot() != nullptr; }

private:
    static T *&slot()
    {
        static T *p = nullptr;
        return p;
    }
};

// The screen: its size in twips and the mouse pointer (11 hourglass, 0 default).
namespace Screen {
double Width();
double Height();
void setMousePointer(int pointer);
int MousePointer();
}

// The icon of the main window, given to every window frame.
QIcon mainWindowIcon();
// Registers the program's images before the first use of one.
void ensureResources();
