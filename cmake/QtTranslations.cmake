# Qt's own texts (file dialogs, standard buttons, a text field's context
# menu) come in the user's language from Qt's translations, which Debian ships
# apart from Qt itself (qt6-translations-l10n). The program loads them at run
# time from Qt's translations folder; the tests read them there too, so the
# build needs them as much as the installed program does.
get_target_property(ORBA_QTPATHS Qt6::qtpaths IMPORTED_LOCATION)
if(NOT ORBA_QTPATHS)
  get_target_property(ORBA_QTPATHS Qt6::qtpaths IMPORTED_LOCATION_RELEASE)
endif()
execute_process(COMMAND ${ORBA_QTPATHS} --query QT_INSTALL_TRANSLATIONS
                OUTPUT_VARIABLE ORBA_QT_TRANSLATIONS_DIR OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE ORBA_QTPATHS_RESULT)
if(NOT ORBA_QTPATHS_RESULT EQUAL 0 OR NOT EXISTS "${ORBA_QT_TRANSLATIONS_DIR}/qtbase_fr.qm")
  message(FATAL_ERROR
          "Qt's French translations (qtbase_fr.qm) are not in '${ORBA_QT_TRANSLATIONS_DIR}': "
          "install qt6-translations-l10n (scripts/install-deps.sh installs it)")
endif()
message(STATUS "Qt's own translations: ${ORBA_QT_TRANSLATIONS_DIR}")
