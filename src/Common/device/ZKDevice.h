#pragma once
#include "Common/ZKDevice.h"
