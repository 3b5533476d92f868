#include "customers/frmAnagrafica.h"
// Stub until the customer list lands.
frmAnagrafica::frmAnagrafica() : Form(QStringLiteral("frmAnagrafica")) {}
void frmAnagrafica::ClearGrid() {}
void frmAnagrafica::FillGrid() {}
void frmAnagrafica::UpdateGridRow() {}
void frmAnagrafica::AddGridRow() {}
void frmAnagrafica::MouseWheel(int, int, int, int) {}
