#pragma once
// Installs the real Windows implementation of every platform service the program uses.
void InstallWindowsServices();
