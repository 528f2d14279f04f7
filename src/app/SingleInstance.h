#pragma once
namespace mirulo::app {

// Takes the program-wide mutex. When another instance already holds it, brings
// that instance's main window back (restored and in front) and returns true:
// this process then ends without creating anything.
bool HandOverToRunningInstance();

} // namespace mirulo::app
