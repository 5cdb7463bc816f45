/* The library search pair: twkdep.dll exports TwkDep, twkimp.dll (built
   with TWKIMP) imports it. Neither has an entry point. */
#ifdef TWKIMP
__declspec(dllimport) int TwkDep(void);
__declspec(dllexport) int TwkImp(void) { return TwkDep(); }
#else
__declspec(dllexport) int TwkDep(void) { return 1; }
#endif
