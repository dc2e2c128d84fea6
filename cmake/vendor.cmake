# Who makes Veltrix, as every package and the AppStream data name it: the publisher in "Apps and
# features", the .deb's Maintainer and Homepage, the AppStream developer and homepage.
set(VELTRIX_VENDOR_NAME Veltrix)
set(VELTRIX_VENDOR_DOMAIN veltrix.cz)
set(VELTRIX_HOMEPAGE "https://${VELTRIX_VENDOR_DOMAIN}/")
set(VELTRIX_VENDOR_CONTACT "${VELTRIX_VENDOR_NAME} <packages@${VELTRIX_VENDOR_DOMAIN}>")
# AppStream names a developer by the reverse of the domain, as it names the application.
string(REPLACE "." ";" domain_parts "${VELTRIX_VENDOR_DOMAIN}")
list(REVERSE domain_parts)
list(JOIN domain_parts "." VELTRIX_DEVELOPER_ID)
