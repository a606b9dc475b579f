// A DLL with nothing in it but one function: tests copy it into a folder that
// a cleaner empties and load it there, making a file the system refuses to
// delete while it is loaded.
extern "C" __declspec(dllexport) int VorlaneTestModule() { return 1; }
