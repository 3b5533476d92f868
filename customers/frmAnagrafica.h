#pragma once
// Interface stub: the customer list. Its author completes this header (keeping these members).
#include "platform/Form.h"

class MSFlexGrid;

class frmAnagrafica : public Form {
    Q_OBJECT
public:
    frmAnagrafica();
    double mANAGRAFICAID = 0;
    MSFlexGrid *MSFlexGrid1 = nullptr;
    void ClearGrid();
    void FillGrid();
    void UpdateGridRow();
    void AddGridRow();
    void MouseWheel(int MouseKeys, int Rotation, int Xpos, int Ypos);
};
