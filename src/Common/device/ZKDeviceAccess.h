#pragma once
#include "Common/ZKDeviceAccess.h"
