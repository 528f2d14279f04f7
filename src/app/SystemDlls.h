#pragma once
// The program runs with administrator rights. A DLL that Windows does not know
// by name is looked for in the program's folder first, so whoever could add a
// file there would run code as administrator. Every such DLL the program
// imports is delay-loaded (cmake/MiruloDelayImports.cmake) and loaded here
// from the system folder only; everything loaded later by name (COM servers,
// sound drivers) is looked for there only as well.

namespace mirulo::app {

// The default DLL search: the system folder only. The entry point calls this
// before anything else.
void SearchSystemFolderOnlyForDlls();

} // namespace mirulo::app
