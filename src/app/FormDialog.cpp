#include "FormDialog.h"
