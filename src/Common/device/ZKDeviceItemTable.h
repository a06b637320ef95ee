#pragma once
#include "Common/ZKDeviceItemTable.h"
