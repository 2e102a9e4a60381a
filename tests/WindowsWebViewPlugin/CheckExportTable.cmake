# Reads the DLL's export table with objdump and compares it, name for name,
# with the names the engine binds.
set(expected
  UnityPluginLoad UnityPluginUnload
  _WebView_browserProcessIsRunning@0 _WebView_deleteCookies@12 _WebView_destroy@4
  _WebView_enableRemoteDebugging@4 _WebView_getCookies@12 _WebView_globallySetUserAgent@4
  _WebView_globallySetUserAgentToMobile@4 _WebView_initializePlugin@28 _WebView_new@20
  _WebView_setAutoplayEnabled@4 _WebView_setCachePath@4 _WebView_setCameraAndMicrophoneEnabled@4
  _WebView_setChromiumLogLevel@4 _WebView_setCommandLineArguments@4 _WebView_setCookie@8
  _WebView_setIgnoreCertificateErrors@4 _WebView_setScreenSharingEnabled@4 _WebView_setTargetFrameRate@8
  _WebView_terminateBrowserProcess@0
  _WebView_cancelAuth@4 _WebView_cancelFileSelection@4 _WebView_canGoBack@4 _WebView_canGoForward@4
  _WebView_copy@4 _WebView_cut@4 _WebView_goBack@4 _WebView_goForward@4 _WebView_paste@4 _WebView_reload@4
  _WebView_selectAll@4 _WebView_stopLoad@4 _WebView_zoomIn@4 _WebView_zoomOut@4 _WebView_click@12
  _WebView_movePointer@12 _WebView_scroll@12 _WebView_pointerDown@20 _WebView_pointerUp@20
  _WebView_scrollAtPoint@20 _WebView_sendTouchEvent@36 _WebView_keyDown@12 _WebView_keyUp@12
  _WebView_sendKey@8 _WebView_loadUrl@8 _WebView_loadHtml@8 _WebView_loadUrlWithHeaders@12
  _WebView_executeJavaScript@12 _WebView_continueAuth@12 _WebView_continueFileSelection@8
  _WebView_setAudioMuted@8 _WebView_setAuthEnabled@8 _WebView_setConsoleMessageEventsEnabled@8
  _WebView_setCursorTypeEventsEnabled@8 _WebView_setFileSelectionEnabled@8 _WebView_setFocused@8
  _WebView_setFocusedInputFieldEventsEnabled@8 _WebView_setNativeFileDialogEnabled@8
  _WebView_setNativeScriptDialogEnabled@8 _WebView_setRenderingEnabled@8 _WebView_setPopupMode@8
  _WebView_setZoomLevel@8 _WebView_setDownloadsEnabled@8 _WebView_resizeWithPixelDensity@16
  _WebView_getRenderFunction@0 _WebView_depositPointer@4 _WebView_removePointer@4 _WebView_destroyTexture@8)
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${table}")
set(names)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(sorted_expected ${expected})
list(SORT sorted_expected)
if(NOT names STREQUAL sorted_expected)
  message(FATAL_ERROR "export table differs\n  found:    ${names}\n  expected: ${sorted_expected}")
endif()
list(LENGTH names count)
message(STATUS "export table holds exactly the ${count} engine names")
