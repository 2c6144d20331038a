// Whether the installed fonts serve the default Japanese gothic face (IPAGothic).
#pragma once

bool GothicFaceInstalled();
