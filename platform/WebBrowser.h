#pragma once
#include "platform/Control.h"
#include <QPageLayout>
#include <QString>
#include <QWidget>

class Form;
class WebBrowser;

// The document of a browser control: text written into it accumulates until it is closed.
class HTMLDocument {
public:
    void Write(const QString &text);
    void Close();

private:
    friend class WebBrowser;
    explicit HTMLDocument(WebBrowser *owner) : m_owner(owner) {}
    WebBrowser *m_owner;
};

// The small browser control every window carries to hold its printout. It keeps the page
// written into it and shows it in a print preview from which the user prints on paper or to
// PDF. While DialogScript is active (tests) the preview is only counted, no window opens.
class WebBrowser : public QWidget, public Control {
    Q_OBJECT
public:
    // ExecWB commands and options this control knows.
    static constexpr int CmdPrintPreview = 7;
    static constexpr int OptDoDefault = 0;
    static constexpr int OptPromptUser = 1;
    static constexpr int OptDontPromptUser = 2;

    WebBrowser(Form *form, const QString &name, QWidget *parent = nullptr);
    QWidget *widget() override { return this; }

    // Only "about:blank" is served: it starts a new, empty document open for writing.
    void Navigate(const QString &url);
    HTMLDocument &Document() { return m_document; }
    void ExecWB(int command, int option);

    // The page as written, byte for byte.
    QString html() const { return m_html; }
    bool documentOpen() const { return m_state == State::Open; }
    int previewCount() const { return m_previewCount; }

    // What tests reach besides the interface (at the end of this header).
    struct TestSeam;

private:
    // On paper: landscape when a table of the page is wider than a portrait sheet (for a table of
    // labels and values, when its words do not fit side by side). Words are wrapped only between
    // them, never inside; a table still wider than the sheet is scaled down to the sheet's width.
    static QPageLayout::Orientation orientationFor(const QString &html);

    friend class HTMLDocument;
    enum class State { None, Open, Closed };
    void write(const QString &text);
    void close();
    void showPreview();

    HTMLDocument m_document;
    QString m_html;
    State m_state = State::None;
    int m_previewCount = 0;
};

// ---- for tests only ----
struct WebBrowser::TestSeam {
    static QPageLayout::Orientation orientationFor(const QString &html) { return WebBrowser::orientationFor(html); }
};
