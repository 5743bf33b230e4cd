# Core: Qt Core only. Serves the command line and most tests.
add_library(corvanel_core STATIC
  platform/Texte.cpp
  platform/ErreurExecution.cpp
  commun/Interaction.cpp
  commun/modDeclarations.cpp
  commun/Reglages.cpp
  app/Demo.cpp
  app/LigneDeCommande.cpp
  app/LigneDeCommandeImpact.cpp
  localisation/FichierIni.cpp
  localisation/LireLangue.cpp
  localisation/Catalogue.cpp
  localisation/TraductionsQt.cpp
  platform/Chemins.cpp
  platform/Registre.cpp
  platform/Instance.cpp
  platform/Lancement.cpp
  platform/Volumes.cpp
  platform/SignauxDeFin.cpp
  fileops/SystemeFichiers.cpp
  fileops/SystemeFichiersCopie.cpp
  fileops/SystemeFichiersCorbeille.cpp
  fileops/SystemeFichiersWin.cpp
  fileops/DossierOuvert.cpp
  fileops/Echecs.cpp
  platform/ListeDossier.cpp
  analysis/LecteurConsist.cpp
  analysis/Vehicules.cpp
  analysis/Analyse.cpp
  analysis/MoteurAnalyse.cpp
  analysis/Ecriture.cpp
  analysis/Manquants.cpp
  analysis/Remplacement.cpp
  analysis/Sauvegardes.cpp
  analysis/TextesReparation.cpp
  app/LigneDeCommandeReparation.cpp
  analysis/Utilisations.cpp
  analysis/LecteurRoutes.cpp
  analysis/ConsistsNommes.cpp
  analysis/Routes.cpp
)
target_include_directories(corvanel_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvanel_core PUBLIC Qt6::Core Threads::Threads)
target_compile_definitions(corvanel_core PUBLIC
  CORVANEL_VERSION="${PROJECT_VERSION}"
  CORVANEL_DATA_DIR_REL="${CORVANEL_DATA_DIR}")

# Windows and dialogs.
add_library(corvanel_gui STATIC
  ui/bureau/corvanel.qrc
  ui/Modal.cpp
  ui/InteractionQt.cpp
  ui/Pointeur.cpp
  ui/frmCorvanel.cpp
  ui/frmCorvanelDisposition.cpp
  ui/Geometrie.cpp
  app/frmParcourir1.cpp
  app/modSubMain.cpp
  ui/ListeDossiers.cpp
  ui/ListeNoms.cpp
  analysis/Recherche.cpp
  analysis/ListeInvalides.cpp
  analysis/RapportDetaille.cpp
  analysis/frmRapportDetaille.cpp
  analysis/frmManquants.cpp
  analysis/ManquantsFenetre.cpp
  analysis/frmRoutes.cpp
  fileops/Suppression.cpp
  fileops/Impact.cpp
  fileops/Nettoyage.cpp
  fileops/Proprietes.cpp
  fileops/frmProprietesFichier.cpp
  fileops/Deplacement.cpp
  fileops/frmDeplacerVers.cpp
  fileops/frmNouveauDossier.cpp
  fileops/frmDemander.cpp
  ui/Editeur.cpp
  ui/frmParcourir2.cpp
  ui/Aide.cpp
  localisation/ChoixLangue.cpp
)
target_link_libraries(corvanel_gui PUBLIC corvanel_core Qt6::Gui Qt6::Widgets)
if(CORVANEL_PCH)
  target_precompile_headers(corvanel_core PRIVATE <QtCore>)
  target_precompile_headers(corvanel_gui PRIVATE <QtWidgets>)
endif()

add_executable(corvanel app/main.cpp)
target_link_libraries(corvanel PRIVATE corvanel_gui)

# lang/ and doc/ stand beside the program in the build tree.
add_custom_target(corvanel_donnees ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/lang ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/lang
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/doc ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/doc
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/demo
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/demo ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/demo
  COMMENT "Placing lang/ and doc/ beside the program")
add_dependencies(corvanel corvanel_donnees)

install(TARGETS corvanel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY lang/ DESTINATION ${CORVANEL_DATA_DIR}/lang)
install(DIRECTORY doc/ DESTINATION ${CORVANEL_DATA_DIR}/doc PATTERN man EXCLUDE PATTERN debian EXCLUDE)
# The demo as a player receives it: the repository's own attributes file is
# not part of it.
install(DIRECTORY demo/ DESTINATION ${CORVANEL_DATA_DIR}/demo PATTERN .gitattributes EXCLUDE)
install(FILES ui/bureau/org.corvanel.Corvanel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ui/bureau/org.corvanel.Corvanel.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ui/bureau/corvanel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(taille 16 32 48 64 128 256)
  install(FILES ui/bureau/corvanel-${taille}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${taille}x${taille}/apps
          RENAME corvanel.png)
endforeach()

# What Debian's policy asks of a package beside the program: the manual pages
# and the changelog compressed without a time stamp (gzip -9n), the changelog
# told from the version history the help shows, the copyright and the reasoned
# lintian override.
find_program(CORVANEL_GZIP gzip)
find_package(Python3 COMPONENTS Interpreter)
if(UNIX AND CORVANEL_GZIP AND Python3_Interpreter_FOUND)
  set(corvanel_debian ${CMAKE_BINARY_DIR}/debian)
  add_custom_command(
    OUTPUT ${corvanel_debian}/corvanel.1.gz ${corvanel_debian}/fr/corvanel.1.gz ${corvanel_debian}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${corvanel_debian}/fr
    COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2\"" ${CORVANEL_GZIP} ${CMAKE_SOURCE_DIR}/doc/man/corvanel.1
            ${corvanel_debian}/corvanel.1.gz
    COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2\"" ${CORVANEL_GZIP} ${CMAKE_SOURCE_DIR}/doc/man/fr/corvanel.1
            ${corvanel_debian}/fr/corvanel.1.gz
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/changelog.py ${CMAKE_SOURCE_DIR}/doc/history-en.html
            ${PROJECT_VERSION} ${corvanel_debian}/changelog
    COMMAND ${CORVANEL_GZIP} -9nf ${corvanel_debian}/changelog
    DEPENDS doc/man/corvanel.1 doc/man/fr/corvanel.1 doc/history-en.html scripts/changelog.py
    COMMENT "Compressing the manual pages and the changelog"
    VERBATIM)
  add_custom_target(corvanel_debian ALL DEPENDS ${corvanel_debian}/corvanel.1.gz ${corvanel_debian}/changelog.gz)
  install(FILES ${corvanel_debian}/corvanel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${corvanel_debian}/fr/corvanel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
  install(FILES ${corvanel_debian}/changelog.gz doc/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvanel)
  install(FILES doc/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME corvanel)
endif()

# Offscreen pictures of every window, for review (scripts/screenshots).
add_executable(corvanel-captures EXCLUDE_FROM_ALL scripts/captures.cpp)
target_link_libraries(corvanel-captures PRIVATE corvanel_gui)
add_dependencies(corvanel-captures corvanel_donnees)
