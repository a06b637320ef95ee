#pragma once
#include "Common/IZKDevice.h"
