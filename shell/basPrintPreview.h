#pragma once
// Printouts: an HTML page written into a window's browser control and shown in its preview.
#include <QString>

class Form;
class MSFlexGrid;
class WebBrowser;

// Grid columns a list window leaves out of its printout: entries from index 1, ended by -1.
extern short gColonneEscluse[101];

void initPrintPreview(WebBrowser *web);
void printWebTitle(WebBrowser *web);
void printWebSubtitle(WebBrowser *web, const QString &text);
void printString(const QString &text, WebBrowser *web);
void printWebGrid(MSFlexGrid *grid, WebBrowser *web);
void printThisForm(Form *form, WebBrowser *web);
void endPrintPreview(WebBrowser *web);
void goPrintPreview(WebBrowser *web);
QString formattaPerStampa(const QString &text);
