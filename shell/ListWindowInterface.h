#pragma once
// The list-window interface: what every list window offers the dialogs that call it back. An
// edit dialog knows its list only through it, never through the list window's own header.

class MSFlexGrid;

class ListWindowInterface {
public:
    virtual void ClearGrid() = 0;
    virtual void FillGrid() = 0;
    virtual void UpdateGridRow() = 0;
    virtual void AddGridRow() = 0;
    virtual void MouseWheel(int MouseKeys, int Rotation, int Xpos, int Ypos) = 0;
    // The list's grid: a record added to a list holding only its header row refills the list.
    virtual const MSFlexGrid *listGrid() const = 0;

protected:
    ~ListWindowInterface() = default;
};
