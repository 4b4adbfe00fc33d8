// Identifiers of the resources in mirelda.rc.
#pragma once

#define IDI_MIRELDA 1
