#include "cleaning/IEHistory.h"

// The URL-cache walk and the three folder cleaners arrive with the URL-cache work;
// until then a ticked box runs an empty cleaner.
namespace IEHistory {

void LoadHistroy() {}
void DeleteIEHistory(StatusLine&) {}
void DeleteIETemp(StatusLine&) {}
void DeleteIECookies(StatusLine&) {}

}  // namespace IEHistory
