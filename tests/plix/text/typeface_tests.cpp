#include "TextFixtures.h"
