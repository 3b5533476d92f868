#pragma once
// CSV export of a list grid: the columns headed "IDFIELD" left out, fields quoted and separated
// by ";", one line per row, in the system's ANSI code page.
#include <QString>

class MSFlexGrid;

// Asks the file in a save dialog and writes the grid to it.
void esportaCSV(MSFlexGrid *grid);
// Writes the grid to the file; true only when the whole file was written.
bool xMSFlexGrid_Save(MSFlexGrid *grid, const QString &fileName);
