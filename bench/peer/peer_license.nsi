; The interactive peer in the benchmarks: an NSIS package of the same four files whose first
; page shows the same terms to accept, in the Modern UI, zlib-compressed.
;   makensis -DOUT_FILE=... -DTERMS=... -DSETUP_EXE=... -DCABINET=... -DLIST=... -DPRODUCT_EXE=...
;            peer_license.nsi
Target amd64-unicode  ; a 64-bit program, as ours
Unicode true
RequestExecutionLevel user
CRCCheck on
SetCompressor zlib
OutFile "${OUT_FILE}"
Name "Halden Grid"
InstallDir "c:\hdgr_temp_setup"

!include "MUI2.nsh"
!insertmacro MUI_PAGE_LICENSE "${TERMS}"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section
  SetOutPath "$INSTDIR"
  File "/oname=Setup.exe" "${SETUP_EXE}"
  File "/oname=HaldenGrid.CAB" "${CABINET}"
  File "/oname=Setup.LST" "${LIST}"
  File "/oname=HaldenGrid.exe" "${PRODUCT_EXE}"
SectionEnd
