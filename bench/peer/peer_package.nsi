; The setup package's peer in the benchmarks: the same four files in a plain silent
; package, deciding install or upgrade from the same settings, with the same targets.
;   makensis -DOUT_FILE=... -DCOMPRESSION=none|zlib -DSETUP_EXE=... -DCABINET=... -DLIST=...
;            -DPRODUCT_EXE=... peer_package.nsi
Target amd64-unicode  ; a 64-bit program, as ours
SilentInstall silent
RequestExecutionLevel user
CRCCheck on
!if "${COMPRESSION}" == "none"
  SetCompress off
!else
  SetCompressor ${COMPRESSION}
!endif
OutFile "${OUT_FILE}"
Name "Halden Grid peer"

!define SETTINGS "Software\HaldenGrid\applicationSettings"
!define WORK_FOLDER "c:\hdgr_temp_setup"

Section
  ReadRegStr $0 HKCU "${SETTINGS}" "app_path"
  StrCmp $0 "" install
  IfFileExists "$0\HaldenGrid.exe" 0 install
  ReadRegStr $1 HKCU "${SETTINGS}" "app_Major"
  ReadRegStr $2 HKCU "${SETTINGS}" "app_Minor"
  ReadRegStr $3 HKCU "${SETTINGS}" "app_Revision"
  IntCmp $1 3 0 upgrade current
  IntCmp $2 4 0 upgrade current
  IntCmp $3 0 current upgrade current
upgrade:
  SetOutPath "$0"
  File "/oname=HaldenGrid.exe" "${PRODUCT_EXE}"
  Goto done
install:
  SetOutPath "${WORK_FOLDER}"
  File "/oname=Setup.exe" "${SETUP_EXE}"
  File "/oname=HaldenGrid.CAB" "${CABINET}"
  File "/oname=Setup.LST" "${LIST}"
  WriteRegStr HKCU "${SETTINGS}" "app_Major" "3"
  WriteRegStr HKCU "${SETTINGS}" "app_Minor" "4"
  WriteRegStr HKCU "${SETTINGS}" "app_Revision" "0"
  Exec '"${WORK_FOLDER}\Setup.exe"'
  Goto done
current:
  SetErrorLevel 3
done:
SectionEnd
