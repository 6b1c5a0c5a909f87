# The product's names and identifiers, written once. The module (through the
# generated header drummap_product.h), the Setup program (through makensis
# -D) and the release files take them from here.
set(DRUMMAP_PRODUCT_NAME "Korvat DrumMap Export")
# The module's file name without .dll, also the start of the release files'
# names and the name of the uninstall entry's key.
set(DRUMMAP_FILE_BASE_NAME KorvatDrumMapExport)
# CLSID_DrumMapWizard: never changes, the host finds the wizard by it.
set(DRUMMAP_CLSID "{D169D29F-53D1-4873-BD56-9082F52434D0}")
# The host's list of wizards under HKEY_LOCAL_MACHINE.
set(DRUMMAP_WIZARD_LIST_KEY [[Software\Ostrevane\VbWizards]])

# The same facts as C string literals, for the generated header.
string(REPLACE [[\]] [[\\]] DRUMMAP_WIZARD_LIST_KEY_C "${DRUMMAP_WIZARD_LIST_KEY}")
