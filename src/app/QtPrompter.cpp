#include "QtPrompter.h"
