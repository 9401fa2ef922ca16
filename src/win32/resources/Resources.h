// Resource numbers of the Windows program: the pictures of src/assets as
// RCDATA (PNG, decoded at run time).
#pragma once

#define IDP_BANNER 101
#define IDP_INSTALL 102
#define IDP_BROWSE 103
#define IDP_PATHFRAME 104
#define IDP_STEPS 105
#define IDP_WINDOWBUTTONS 106
#define IDP_STATUS 107
#define IDP_TOOLBAR 108
#define IDP_APP 109
