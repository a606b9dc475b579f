// The program's own cleaners for the deletion pass: Internet Explorer's from
// cleaning/, Firefox's from firefox/.
#pragma once

#include "cleaning/DeletionPass.h"

Cleaners RealCleaners();
