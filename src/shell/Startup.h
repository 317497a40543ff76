#pragma once
// What exists before the first window and lives to the end of the program.
void InitializeUnits();
void FinalizeUnits();
