#pragma once
#include "Common/ZKLinkState.h"
