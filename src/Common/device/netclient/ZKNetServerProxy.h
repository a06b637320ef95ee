#pragma once
#include "Common/netclient/ZKNetServerProxy.h"
