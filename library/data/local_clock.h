// The CRM's timestamps; the tools use them too, so they are public.
#pragma once

#include "vendral/local_clock.h"
