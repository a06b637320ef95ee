#pragma once
#include "Common/ZKNetCodes.h"
