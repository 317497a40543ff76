#pragma once
// What exists before the first window and lives to the end of the program.
void InitializeUnits();
void FinalizeUnits();

// The program's three windows, made in this order (the first is the main window), then
// realized; the About and wait dialogs sit over the main window.
void CreateWindows();
void RealizeWindows();
void FreeWindows();
