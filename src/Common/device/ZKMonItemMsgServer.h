#pragma once
#include "Common/ZKMonItemMsgServer.h"
