#pragma once
#include "Common/ZKServerLauncher.h"
