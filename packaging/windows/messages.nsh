; The installer's and uninstaller's own texts, in each language they speak. UTF-8.

LangString ProgramStillRunning ${LANG_ENGLISH} \
  "Veltrix is running and could not be closed. Close it, then run the setup again."
LangString ProgramStillRunning ${LANG_CZECH} \
  "Veltrix je spuštěný a nepodařilo se ho zavřít. Zavřete ho a spusťte instalaci znovu."
LangString un.ProgramStillRunning ${LANG_ENGLISH} \
  "Veltrix is running and could not be closed. Close it, then uninstall it again."
LangString un.ProgramStillRunning ${LANG_CZECH} \
  "Veltrix je spuštěný a nepodařilo se ho zavřít. Zavřete ho a spusťte odinstalaci znovu."
LangString NewerInstalled ${LANG_ENGLISH} \
  "A newer version of Veltrix is already installed. To go back to this one, uninstall it first."
LangString NewerInstalled ${LANG_CZECH} \
  "Již je nainstalována novější verze programu Veltrix. Chcete-li se vrátit k této, nejprve ji odinstalujte."
LangString FolderNotOurs ${LANG_ENGLISH} \
  "$INSTDIR holds files of another program. Choose an empty folder or the one Veltrix is installed in."
LangString FolderNotOurs ${LANG_CZECH} \
  "Složka $INSTDIR obsahuje soubory jiného programu. Zvolte prázdnou složku nebo tu, ve které je Veltrix nainstalován."
LangString OldNotRemoved ${LANG_ENGLISH} \
  "Veltrix installed in $R3 could not be uninstalled. Uninstall it, then run the setup again."
LangString OldNotRemoved ${LANG_CZECH} \
  "Veltrix nainstalovaný ve složce $R3 se nepodařilo odinstalovat. Odinstalujte ho a spusťte instalaci znovu."
LangString MsiInstalled ${LANG_ENGLISH} \
  "Veltrix $R8 is installed for all users from its MSI package ($R6). Update it with the MSI, or uninstall it first."
LangString MsiInstalled ${LANG_CZECH} \
  "Veltrix $R8 je nainstalován pro všechny uživatele z balíčku MSI ($R6). Aktualizujte ho balíčkem MSI, nebo ho nejprve odinstalujte."
LangString SystemAccount ${LANG_ENGLISH} \
  "This setup installs Veltrix for the user who runs it, and the SYSTEM account is no user. To install for all users, use the MSI package."
LangString SystemAccount ${LANG_CZECH} \
  "Tato instalace instaluje Veltrix pro uživatele, který ji spustí, a účet SYSTEM žádným uživatelem není. Pro všechny uživatele použijte balíček MSI."
