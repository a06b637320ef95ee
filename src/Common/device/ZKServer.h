#pragma once
#include "Common/ZKServer.h"
