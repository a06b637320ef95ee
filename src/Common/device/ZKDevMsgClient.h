#pragma once
#include "Common/ZKDevMsgClient.h"
