#pragma once
#include "Common/ZKDeviceRecords.h"
