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
