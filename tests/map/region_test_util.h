// region_test_util.h - the region helpers now live with the others in test_util.h.
#pragma once
#include "test_util.h"
