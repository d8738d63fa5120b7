#include "FormStart.h"
