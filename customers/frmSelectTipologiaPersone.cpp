#include "customers/frmSelectTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"

namespace {
constexpr int kWidth = 460;
constexpr int kMargin = 16;
constexpr int kLabelWidth = 120;
constexpr int kFieldTop = 50;
constexpr int kRowHeight = 24;
constexpr int kButtonsTop = kFieldTop + kRowHeight + 26;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 30;
constexpr int kHeight = kButtonsTop + kButtonHeight + kMargin;
}

frmSelectTipologiaPersone::frmSelectTipologiaPersone()
    : FilterDialog(QStringLiteral("frmSelectTipologiaPersone"), gWhereTipologiaPersone, gFilterStateTipologiaPersone,
                   gFilterStateSavedTipologiaPersone, nullptr)
{
    const QString caption = QStringLiteral("Cerca Tipologie Clienti");
    setCaption(caption);
    setFixedSize(kWidth, kHeight);
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), caption);
    OsenXPForm1->setGeometry(0, 0, kWidth, 30);

    lblTipologia = new XPLabel(this, QStringLiteral("lblTipologia"), QStringLiteral("Tipologia Clienti"));
    lblTipologia->setGeometry(kMargin, kFieldTop, kLabelWidth, kRowHeight);
    txtTipologia = new XPTextBox(this, QStringLiteral("txtTipologia"));
    txtTipologia->setGeometry(kMargin + kLabelWidth + 4, kFieldTop, kWidth - 2 * kMargin - kLabelWidth - 4, kRowHeight);

    auto button = [this](const char *name, const QString &text, int x) {
        auto *b = new XPButton(this, QString::fromLatin1(name), text);
        b->setGeometry(x, kButtonsTop, kButtonWidth, kButtonHeight);
        return b;
    };
    const int right = kWidth - kMargin;
    cmdOK = button("cmdOK", QStringLiteral("Ok"), right - 3 * kButtonWidth - 16);
    cmdCancel = button("cmdCancel", QStringLiteral("Annulla"), right - 2 * kButtonWidth - 8);
    cmdPrint = button("cmdPrint", QStringLiteral("Stampa"), kMargin);
    cmdPrint->setVisible(false);
    cmdClear = button("cmdClear", QStringLiteral("Reimposta"), right - kButtonWidth);
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(kWidth - 5, kHeight - 5, 4, 4);
    wireButtons();
}

void frmSelectTipologiaPersone::Form_Activate()
{
    Procedure p(Name(), QStringLiteral("Form_Activate"));
    p.run([this] {
        txtTipologia->setFocus(Qt::OtherFocusReason);
        txtTipologia->end(false);
    });
}

void frmSelectTipologiaPersone::buildWhere(FilterWhere &where)
{
    where.addText(QStringLiteral("a.Tipologia"), txtTipologia);
}

void frmSelectTipologiaPersone::refillList() { FormInstance<frmTipologiaPersone>::get()->FillGrid(); }
