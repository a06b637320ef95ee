#pragma once
#include "Common/IZKServer.h"
