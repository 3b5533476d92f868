#include "shell/basPrintPreview.h"
#include "platform/Form.h"
#include "platform/MSFlexGrid.h"
#include "platform/PlatformError.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneralCustom.h"
#include <QAbstractButton>
#include <vector>

short gColonneEscluse[101] = {};

namespace {
const QString kModule = QStringLiteral("basPrintPreview");
const QString kHeadingFont = QStringLiteral("<font style=\"font-family: arial ; font-size: 22pt;\">");

PlatformError noObject() { return PlatformError(91, QStringLiteral("Object variable or With block variable not set")); }

WebBrowser &browser(WebBrowser *web)
{
    if (!web)
        throw noObject();
    return *web;
}

HTMLDocument &document(WebBrowser *web) { return browser(web).Document(); }

QString captionOf(Control *c)
{
    if (auto *l = dynamic_cast<XPLabel *>(c))
        return l->Caption();
    if (auto *k = dynamic_cast<XPCheckBox *>(c))
        return k->Caption();
    if (auto *f = dynamic_cast<XPForm *>(c))
        return f->Caption();
    if (auto *l = qobject_cast<QLabel *>(c->widget()))
        return l->text();
    if (auto *b = qobject_cast<QAbstractButton *>(c->widget()))
        return b->text();
    throw PlatformError(438, QStringLiteral("Object doesn't support this property or method"));
}

QString textBoxValue(Control *c)
{
    if (auto *t = dynamic_cast<XPTextBox *>(c))
        return t->Text();
    if (auto *t = qobject_cast<QLineEdit *>(c->widget()))
        return t->text();
    throw PlatformError(438, QStringLiteral("Object doesn't support this property or method"));
}

// A picker with no date prints an empty cell, not its placeholder text; one holding text that is
// no date prints that text, as the window shows it.
QString pickerValue(Control *c)
{
    if (auto *d = dynamic_cast<XPDTPicker *>(c))
        return d->IsEmpty() ? QString() : d->ValueText();
    throw PlatformError(438, QStringLiteral("Object doesn't support this property or method"));
}

QString comboText(Control *c)
{
    if (auto *b = dynamic_cast<XPComboBox *>(c))
        return b->Text();
    if (auto *b = qobject_cast<QComboBox *>(c->widget()))
        return b->currentText();
    throw PlatformError(438, QStringLiteral("Object doesn't support this property or method"));
}

int checkValue(Control *c)
{
    if (auto *k = dynamic_cast<XPCheckBox *>(c))
        return k->Value();
    if (auto *k = qobject_cast<QAbstractButton *>(c->widget()))
        return k->isChecked() ? 1 : 0;
    throw PlatformError(438, QStringLiteral("Object doesn't support this property or method"));
}

// The header cells of a field: every control named like the field with "lbl" in place of its
// three-letter prefix (txtNome -> lblNome).
void writeLabelCells(HTMLDocument &doc, const QList<Control *> &controls, const Control *field)
{
    const QString labelName = QStringLiteral("lbl") + field->Name().mid(3);
    for (Control *c : controls)
        if (c->Name() == labelName)
            doc.Write(QStringLiteral("<th>") + formattaPerStampa(captionOf(c)) + QStringLiteral("</th>"));
}
}

void initPrintPreview(WebBrowser *web)
{
    Procedure p(kModule, QStringLiteral("initPrintPreview"), OwnerKind::Modulo);
    p.run([&] {
        WebBrowser &w = browser(web);
        w.Navigate(QStringLiteral("about:blank"));
        const QString size = QString::number(gPrtCSize);
        w.Document().Write(
            QStringLiteral("<html><HEAD><STYLE>    ") + QStringLiteral(" table {border-collapse:collapse;}")
            + QStringLiteral(" th {    margin:5px;    padding: 3px;    border:1px solid #336699; ")
            + QStringLiteral("background-color:#336699;    color:#FFFFFF;   font-family: Arial;  font-size: ") + size
            + QStringLiteral("pt;    font-weight:bold; } ")
            + QStringLiteral(" td {    margin:5px;    padding: 3px;    border:1px solid #336699; ")
            + QStringLiteral("background-color:#FFFFFF;    color:#000000;    font-family: Arial; font-size: ") + size
            + QStringLiteral("pt; }        ") + QStringLiteral(" fontDettaglio { font-size: ") + size
            + QStringLiteral("pt;  font-family: Arial; font-color: black; } ")
            + QStringLiteral("</STYLE></HEAD><body>"));
    });
}

void printWebTitle(WebBrowser *web)
{
    Procedure p(kModule, QStringLiteral("printWebTitle"), OwnerKind::Modulo);
    p.run([&] {
        HTMLDocument &doc = document(web);
        const QString heading = getSetting(QStringLiteral("INTESTAZ"));
        doc.Write(kHeadingFont + heading + QStringLiteral("</p>"));
    });
}

void printWebSubtitle(WebBrowser *web, const QString &text)
{
    Procedure p(kModule, QStringLiteral("printWebSubtitle"), OwnerKind::Modulo);
    p.run([&] { document(web).Write(kHeadingFont + text + QStringLiteral("</p>")); });
}

void printString(const QString &text, WebBrowser *web)
{
    Procedure p(kModule, QStringLiteral("printString"), OwnerKind::Modulo);
    p.run([&] { document(web).Write(text); });
}

QString formattaPerStampa(const QString &text)
{
    Procedure p(kModule, QStringLiteral("formattaPerStampa"), OwnerKind::Modulo);
    QString result;
    p.run([&] {
        result = text;
        result.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
        result.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    });
    return result;
}

void printWebGrid(MSFlexGrid *grid, WebBrowser *web)
{
    Procedure p(kModule, QStringLiteral("printWebGrid"), OwnerKind::Modulo);
    p.run([&] {
        HTMLDocument &doc = document(web);
        if (!grid)
            throw noObject();
        doc.Write(QStringLiteral("<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\">"));
        const int rows = grid->Rows();
        const int cols = grid->Cols();
        // Which columns print is fixed for the whole grid; it is settled at the first cell,
        // where a column list without its end mark fails.
        std::vector<bool> keep;
        for (int r = 0; r < rows; ++r) {
            doc.Write(QStringLiteral("<tr>"));
            if (keep.empty() && cols > 0) {
                int end = 1;
                while (end <= 100 && gColonneEscluse[end] != -1)
                    ++end;
                if (end > 100)
                    throw PlatformError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
                keep.assign(size_t(cols), true);
                for (int c = 0; c < cols; ++c) {
                    if (grid->ColWidth(c) == 0)
                        keep[size_t(c)] = false;
                    for (int i = 1; i < end; ++i)
                        if (gColonneEscluse[i] == c)
                            keep[size_t(c)] = false;
                }
            }
            const QString open = r == 0 ? QStringLiteral("<th>") : QStringLiteral("<td>");
            const QString close = r == 0 ? QStringLiteral("</th>") : QStringLiteral("</td>");
            for (int c = 0; c < cols; ++c)
                if (keep[size_t(c)])
                    doc.Write(open + formattaPerStampa(grid->TextMatrix(r, c)) + close);
            doc.Write(QStringLiteral("</tr>"));
        }
        doc.Write(QStringLiteral("</table>"));
    });
}

void endPrintPreview(WebBrowser *web)
{
    Procedure p(kModule, QStringLiteral("endPrintPreview"), OwnerKind::Modulo);
    p.run([&] {
        HTMLDocument &doc = document(web);
        doc.Write(QStringLiteral("</body></html>"));
        doc.Close();
    });
}

void goPrintPreview(WebBrowser *web)
{
    Procedure p(kModule, QStringLiteral("goPrintPreview"), OwnerKind::Modulo);
    p.run([&] { browser(web).ExecWB(WebBrowser::CmdPrintPreview, WebBrowser::OptDoDefault); });
}

void printThisForm(Form *form, WebBrowser *web)
{
    Procedure p(kModule, QStringLiteral("printThisForm"), OwnerKind::Modulo);
    p.run([&] {
        if (!form)
            throw noObject();
        initPrintPreview(web);
        if (form->Name() == QLatin1String("frmEditPagamenti")) {
            printWebTitle(web);
            printWebSubtitle(web, QStringLiteral("Ricevuta di pagamento"));
        } else if (form->Name() == QLatin1String("frmEditAnagrafica")) {
            printWebTitle(web);
            printWebSubtitle(web, QStringLiteral("Scheda del socio"));
        }
        HTMLDocument &doc = document(web);
        doc.Write(QStringLiteral("<table>"));
        const QList<Control *> controls = form->Controls();
        for (Control *c : controls) {
            if (!c->Visible())
                continue;
            doc.Write(QStringLiteral("<tr>"));
            switch (c->Kind()) {
            case ControlKind::TextBox:
                writeLabelCells(doc, controls, c);
                doc.Write(QStringLiteral("<td>") + formattaPerStampa(textBoxValue(c)) + QStringLiteral("</td>"));
                break;
            case ControlKind::DTPicker:
                writeLabelCells(doc, controls, c);
                doc.Write(QStringLiteral("<td>") + formattaPerStampa(pickerValue(c)) + QStringLiteral("</td>"));
                break;
            case ControlKind::ComboBox:
                writeLabelCells(doc, controls, c);
                doc.Write(QStringLiteral("<td>") + comboText(c) + QStringLiteral("</td>"));
                break;
            case ControlKind::CheckBox:
                doc.Write(QStringLiteral("<th>") + formattaPerStampa(captionOf(c)) + QStringLiteral("</th>"));
                doc.Write(checkValue(c) == 0 ? QStringLiteral("<td>No</td>") : QStringLiteral("<td>S\u00ec</td>"));
                break;
            default:
                break;
            }
            doc.Write(QStringLiteral("</tr>"));
        }
        doc.Write(QStringLiteral("</table>"));
        endPrintPreview(web);
        goPrintPreview(web);
    });
}
