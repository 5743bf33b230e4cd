SIMISA@@@@@@@@@@JINX0s1t______

comment ( Corvanel demo placeholder shape for CRV_BB7200, not a real shape )
